#include "ClientRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ClientScratch::ClientScratch()
{
    std::string pattern = (fs::temp_directory_path() / "kxvds-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
}

ClientScratch::~ClientScratch()
{
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

ClientResult ClientScratch::Run(std::vector<std::string> args) const
{
    args.push_back("--machine");
    args.push_back(Machine());
    return RunPlain(args);
}

ClientResult ClientScratch::RunPlain(const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& environment) const
{
    return Finish(Start(args, environment, "run"), "run");
}

std::vector<ClientResult> ClientScratch::RunTogether(const std::vector<std::vector<std::string>>& lines) const
{
    std::vector<int> pids;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> args = lines[i];
        args.insert(args.end(), {"--machine", Machine()});
        pids.push_back(Start(args, {}, "run" + std::to_string(i)));
    }
    std::vector<ClientResult> results;
    for (size_t i = 0; i < pids.size(); ++i) results.push_back(Finish(pids[i], "run" + std::to_string(i)));
    return results;
}

int ClientScratch::Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
                         const std::string& tag) const
{
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t equals = entry.find('=');
        if (equals != std::string::npos) variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    // Never the developer's own machine file.
    variables["HOME"] = (dir / "home").string();
    variables["XDG_STATE_HOME"] = (dir / "state").string();
    for (const auto& [name, value] : environment) {
        if (value.empty()) variables.erase(name);
        else variables[name] = value;
    }
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvText = {KXVDS_CLIENT};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::string outFile = (dir / (tag + ".out")).string();
    const std::string errFile = (dir / (tag + ".err")).string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + argvText[0]);
    return pid;
}

ClientResult ClientScratch::Finish(int pid, const std::string& tag) const
{
    ClientResult result;
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    result.out = ReadBytes(dir / (tag + ".out"));
    result.err = ReadBytes(dir / (tag + ".err"));
    return result;
}
