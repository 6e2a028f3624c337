#include "app/commandline.h"

#include <QCommandLineParser>
#include <QDir>

#include "framework/FileName.h"
#include "windows/main.h"

namespace {

struct OptionText {
    const char* shortName;
    const char* longName;
    const char* description;
};

// One table for the parser and the usage text.
const OptionText kHelp{"h", "help", "Zeigt diese Hilfe an."};
const OptionText kVersion{"v", "version", "Zeigt die Version an."};
const OptionText kOptions[] = {kHelp, kVersion};
const char* const kFileArgument = "DATEI";
const char* const kFileDescription = "Textdatei, die beim Start geöffnet wird.";

QCommandLineOption MakeOption(const OptionText& text)
{
    return QCommandLineOption({QLatin1String(text.shortName), QLatin1String(text.longName)},
                              QString::fromUtf8(text.description));
}

QString OptionName(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString WrongCall(const QString& message)
{
    return message + QStringLiteral("\n„vexloed --help“ zeigt, wie Vexlo-Ed aufgerufen wird.\n");
}

// Qt's own options, with and without a value.
const char* const kQtValueOptions[] = {"platform",
                                       "platformpluginpath",
                                       "platformtheme",
                                       "plugin",
                                       "qwindowgeometry",
                                       "geometry",
                                       "qwindowtitle",
                                       "title",
                                       "qwindowicon",
                                       "icon",
                                       "session",
                                       "display",
                                       "name",
                                       "style",
                                       "stylesheet",
                                       "visual",
                                       "ncols",
                                       "cmap",
                                       "im"};
const char* const kQtSwitches[] = {"reverse", "testability", "nograb", "dograb", "widgetcount", "sync"};

}  // namespace

QStringList WithoutQtOptions(const QStringList& arguments)
{
    QStringList result = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            result << arguments.mid(i);
            break;
        }
        if (!argument.startsWith(u'-')) {
            result << argument;
            continue;
        }
        // Qt takes its options with one dash or two.
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1).section(u'=', 0, 0);
        const auto is = [&name](const char* option) { return name == QLatin1String(option); };
        if (std::any_of(std::begin(kQtSwitches), std::end(kQtSwitches), is) || name == QLatin1String("qmljsdebugger"))
            continue;
        if (std::any_of(std::begin(kQtValueOptions), std::end(kQtValueOptions), is)) {
            if (!argument.contains(u'='))
                ++i;  // the value follows
            continue;
        }
        result << argument;
    }
    return result;
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    // The program's name alone, as the menu starts it: nothing to parse.
    if (arguments.size() <= 1)
        return CommandLine();
    QCommandLineParser parser;
    for (const OptionText& option : kOptions)
        parser.addOption(MakeOption(option));
    parser.addPositionalArgument(QLatin1String(kFileArgument), QString::fromUtf8(kFileDescription));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Error;
        const QStringList unknown = parser.unknownOptionNames();
        result.error =
            WrongCall(unknown.isEmpty() ? QStringLiteral("Ungültiger Aufruf: %1").arg(arguments.mid(1).join(u' '))
                                        : QStringLiteral("Unbekannte Option: %1").arg(OptionName(unknown.first())));
        return result;
    }
    if (parser.isSet(QLatin1String(kHelp.longName))) {
        result.action = CommandLine::Action::Help;
        return result;
    }
    if (parser.isSet(QLatin1String(kVersion.longName))) {
        result.action = CommandLine::Action::Version;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = CommandLine::Action::Error;
        result.error = WrongCall(QStringLiteral("Zu viele Argumente: Vexlo-Ed öffnet eine Datei."));
        return result;
    }
    if (!files.isEmpty() && !files.first().isEmpty())
        result.fileName = QDir::cleanPath(FileName::Absolute(files.first()));
    return result;
}

QString UsageText()
{
    QString text = QStringLiteral("Aufruf: vexloed [Optionen] [%1]\n").arg(QLatin1String(kFileArgument));
    text += QStringLiteral("Vexlo-Ed zählt beim Schreiben die Zeichen eines Gästebuch- oder Forentextes.\n\n");
    const auto line = [](const QString& name, const char* description) {
        return QStringLiteral("  ") + name.leftJustified(15) + QString::fromUtf8(description) + QLatin1Char('\n');
    };
    text += QStringLiteral("Optionen:\n");
    for (const OptionText& option : kOptions)
        text += line(QStringLiteral("-%1, --%2").arg(QLatin1String(option.shortName), QLatin1String(option.longName)),
                     option.description);
    text += QStringLiteral("\nArgumente:\n") + line(QLatin1String(kFileArgument), kFileDescription);
    return text;
}

QString VersionText(const QString& executable)
{
    TVersion version;
    if (!ReadFileVersion(executable, version))
        return QStringLiteral("Vexlo-Ed\n");
    return QStringLiteral("Vexlo-Ed %1\n").arg(FormatVersion(version));
}
