#include "Run.h"

#include "Commands.h"
#include "ErrorText.h"
#include "Failure.h"
#include "Help.h"
#include "Host.h"
#include "Output.h"
#include "UsageError.h"

#include <algorithm>
#include <cstdio>

namespace kxvds {

namespace {

// Errors go to stderr; with --json also as the one document on stdout.
int Report(const std::string& line, const Json& error, bool json, int status)
{
    DiscardOutput();
    std::fprintf(stderr, "kxvds: %s\n", line.c_str());
    if (json) {
        PrintJson(Json{{"error", error}});
        FlushOutput();
    }
    return status;
}

int Usage(const std::string& message, bool json)
{
    return Report(message, {{"usage", true}, {"message", message}}, json, kExitUsage);
}

int Failed(const OperationFailed& failure, bool json)
{
    const uint32_t code = failure.Code();
    const std::string name = ResultName(code);
    const std::string text = failure.Explanation().empty() ? ResultText(code) : failure.Explanation();
    Json error = {{"action", failure.what()}, {"hresult", HexResult(code)}, {"name", nullptr}, {"message", text}};
    if (!name.empty()) error["name"] = name;
    return Report(std::string("cannot ") + failure.what() + ": " + text + " (HRESULT " + HexResult(code) +
                      (name.empty() ? "" : ", " + name) + ")",
                  error, json, kExitFailed);
}

int HostFailed(const std::string& message, bool json)
{
    return Report(message, {{"message", message}}, json, kExitFailed);
}

} // namespace

int RunKxvds(const std::vector<std::string>& args)
{
    // Known before parsing, so that a bad command line is reported as JSON too.
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    CommandLine line;
    try {
        line = ParseCommandLine(args, FindGrammar);
    } catch (const UsageError& e) {
        return Usage(e.what(), json);
    }

    const CommandRule* command = line.command.empty() ? nullptr : FindCommand(line.command);
    if (line.help) {
        Print(command ? CommandHelp(*command) : GeneralHelp());
        FlushOutput();
        return kExitSuccess;
    }
    if (!command && !line.reset) {
        std::fputs(GeneralHelp().c_str(), stderr);
        return Usage("no command given", json);
    }

    try {
        std::unique_ptr<Host> host;
        if (!command || command->needsService) host = StartHost(line);
        if (command) command->run(line);
        if (host) host->Succeeded(command && command->changesDisks && !line.Has("--dry-run"));
        FlushOutput();
        return kExitSuccess;
    } catch (const UsageError& e) {
        return Usage(e.what(), json);
    } catch (const OperationFailed& e) {
        return Failed(e, json);
    } catch (const HostFailure& e) {
        return HostFailed(e.what(), json);
    } catch (const std::exception& e) {
        return HostFailed(std::string("unexpected failure: ") + e.what(), json);
    }
}

} // namespace kxvds
