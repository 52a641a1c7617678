#include "app/tool/tool_args.h"

#include <QCommandLineParser>
#include <QStringList>

#include <charconv>
#include <cstdio>

namespace {

bool ParseNumber(const std::string& text, int min, int max, int& value) {
    const char* end = text.data() + text.size();
    int parsed = 0;
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end || parsed < min || parsed > max)
        return false;
    value = parsed;
    return true;
}

int Refuse(const std::string& reason, const char* usage) {
    std::fprintf(stderr, "tavro-tool: %s\n%s", reason.c_str(), usage);
    return 2;
}

} // namespace

std::optional<int> ParseToolArgs(int argc, char** argv, const ToolCommandSyntax& syntax,
                                 std::vector<std::string>& positional) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    for (const IntOption& o : syntax.options)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(o.name + 2), QString(), QStringLiteral("N")));
    // The parser takes the program's name first.
    QStringList arguments{QStringLiteral("tavro-tool")};
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments))
        return Refuse(parser.errorText().toStdString(), syntax.usage);
    if (parser.isSet(help)) {
        std::fputs(syntax.usage, stdout);
        return 0;
    }
    for (const IntOption& o : syntax.options) {
        const QString name = QString::fromLatin1(o.name + 2);
        if (!parser.isSet(name))
            continue;
        const std::string text = parser.value(name).toLocal8Bit().toStdString();
        if (!ParseNumber(text, o.min, o.max, *o.value))
            return Refuse(std::string(o.name) + " takes a whole number from " +
                              std::to_string(o.min) + " to " + std::to_string(o.max) + ", not \"" +
                              text + "\"",
                          syntax.usage);
    }
    for (const QString& argument : parser.positionalArguments())
        positional.push_back(argument.toLocal8Bit().toStdString());
    if (positional.size() < syntax.minPositional || positional.size() > syntax.maxPositional)
        return Refuse(positional.size() < syntax.minPositional ? "too few arguments"
                                                               : "too many arguments",
                      syntax.usage);
    return std::nullopt;
}
