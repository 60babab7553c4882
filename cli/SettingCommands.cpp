#include "cli/CommandContext.h"
#include "cli/Setting.h"

namespace orlo::cli {

namespace {

const SettingTable& Settings() {
    static const SettingTable settings = [] {
        SettingTable table;
        AddValueSettings(table);
        AddSlotSettings(table);
        AddOtherSettings(table);
        return table;
    }();
    return settings;
}

std::string SettingsHelp(const char* verb) {
    std::string text = std::string("usage: orloctl CONNECTION ") + verb + " NAME" +
                       (std::string(verb) == "set" ? " VALUES" : "") + "\nNames";
    text += std::string(verb) == "set" ? " and values:\n" : ":\n";
    for (const auto& [name, setting] : Settings()) {
        text +=
            "  " + name + (std::string(verb) == "set" ? "  " + std::string(setting.valuesHelp) : "") + "\n";
    }
    return text;
}

} // namespace

int RunGet(const CommandContext& context) {
    if (context.options.help) {
        context.out << SettingsHelp("get");
        return EXIT_OK;
    }
    const Args& args = context.options.arguments;
    if (args.size() != 1) {
        return context.UsageFailure("get needs exactly one NAME");
    }
    const auto found = Settings().find(args[0]);
    if (found == Settings().end()) {
        return context.UsageFailure("unknown setting: " + args[0]);
    }
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    Printed printed;
    if (const ResultCode result = found->second.get(session, printed); result != RC_OK) {
        return context.DeviceFailure(result);
    }
    if (context.options.json) {
        context.out << "{" << JsonString(args[0]) << ": " << printed.json << "}\n";
    } else {
        for (const std::string& line : printed.lines) {
            context.out << line << '\n';
        }
    }
    return EXIT_OK;
}

int RunSet(const CommandContext& context) {
    if (context.options.help) {
        context.out << SettingsHelp("set");
        return EXIT_OK;
    }
    const Args& args = context.options.arguments;
    if (args.empty()) {
        return context.UsageFailure("set needs a NAME and VALUES");
    }
    const auto found = Settings().find(args[0]);
    if (found == Settings().end()) {
        return context.UsageFailure("unknown setting: " + args[0]);
    }
    const Args values(args.begin() + 1, args.end());
    if (const std::string error = found->second.check(values); !error.empty()) {
        return context.UsageFailure("set " + args[0] + ": " + error);
    }
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    const ResultCode result = found->second.set(session, values);
    return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
}

} // namespace orlo::cli
