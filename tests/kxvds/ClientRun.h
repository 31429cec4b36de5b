// Runs the built kxvds program as a user would and keeps what it printed.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct ClientResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A scratch folder that holds a machine file, the captured streams and the
// state directory the client sees (HOME and XDG_STATE_HOME point into it).
class ClientScratch {
public:
    ClientScratch();
    ~ClientScratch();
    ClientScratch(const ClientScratch&) = delete;
    ClientScratch& operator=(const ClientScratch&) = delete;

    const std::filesystem::path& Dir() const { return dir; }
    std::string Machine() const { return (dir / "machine.json").string(); }

    // kxvds ARGS --machine <Machine()>
    ClientResult Run(std::vector<std::string> args) const;
    // kxvds ARGS, with `environment` added to (or, with "", removed from) the client's.
    ClientResult RunPlain(const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& environment = {}) const;
    // Each line started at once (with --machine <Machine()>), then all waited for.
    std::vector<ClientResult> RunTogether(const std::vector<std::vector<std::string>>& lines) const;

private:
    // Started with stdout and stderr in files named after `tag`; the pid.
    int Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
              const std::string& tag) const;
    ClientResult Finish(int pid, const std::string& tag) const;

    std::filesystem::path dir;
};

std::string ReadBytes(const std::filesystem::path& file);
