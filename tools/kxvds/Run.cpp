#include "Run.h"

#include "Commands.h"
#include "ErrorText.h"
#include "Failure.h"
#include "Help.h"
#include "Host.h"
#include "JsonWriter.h"
#include "UsageError.h"

#include <algorithm>
#include <cstdio>

namespace kxvds {

namespace {

int Usage(const std::string& message, bool json)
{
    std::fprintf(stderr, "kxvds: %s\n", message.c_str());
    if (json) {
        JsonWriter out;
        out.BeginObject().Key("error").BeginObject().Key("usage").Bool(true).Key("message").String(message).EndObject().EndObject();
        Print(out.Text());
    }
    return kExitUsage;
}

int Failed(const OperationFailed& failure, bool json)
{
    const uint32_t code = failure.Code();
    const std::string name = ResultName(code);
    const std::string text = ResultText(code);
    std::fprintf(stderr, "kxvds: cannot %s: %s (HRESULT %s%s%s)\n", failure.what(), text.c_str(),
                 HexResult(code).c_str(), name.empty() ? "" : ", ", name.c_str());
    if (json) {
        JsonWriter out;
        out.BeginObject().Key("error").BeginObject().Key("action").String(failure.what());
        out.Key("hresult").String(HexResult(code));
        out.Key("name");
        if (name.empty()) out.Null(); else out.String(name);
        out.Key("message").String(text).EndObject().EndObject();
        Print(out.Text());
    }
    return kExitFailed;
}

int HostFailed(const std::string& message, bool json)
{
    std::fprintf(stderr, "kxvds: %s\n", message.c_str());
    if (json) {
        JsonWriter out;
        out.BeginObject().Key("error").BeginObject().Key("message").String(message).EndObject().EndObject();
        Print(out.Text());
    }
    return kExitFailed;
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
        if (host) host->Succeeded(command && command->changesDisks);
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
