// Writes the client's default machine as a seed for the machine-file fuzzer,
// so that the seeds follow the file format as it is.
#include "emulated/DefaultMachine.h"
#include "kxemu/MachineFile.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    kxemu::Machine machine;
    kxvds::BuildDefaultMachine(machine);
    std::ofstream out(argv[1], std::ios::binary);
    out << kxemu::SaveMachine(machine);
    return out ? 0 : 1;
}
