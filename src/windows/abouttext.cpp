#include "windows/abouttext.h"

#include <QStringList>

QString AboutText()
{
    // One line per paragraph: the text area wraps them at its width, so no
    // font leaves short stub lines behind a line break of its own.
    static const QStringList lines = {
        QStringLiteral("Hallo Vexlo'ler!"),
        QStringLiteral("----------------"),
        QStringLiteral(""),
        QStringLiteral("Kennst Du das? Du schreibst einen langen Gruß in das "
                       "Gästebuch eines Freundes oder antwortest ausführlich auf "
                       "einen Beitrag in Deinem Lieblingsforum - und nach dem "
                       "Absenden ist der Text plötzlich abgeschnitten, weil er "
                       "zu lang war."),
        QStringLiteral(""),
        QStringLiteral("Vexlo-Ed zeigt Dir schon beim Schreiben, wie viele Zeichen "
                       "Dein Text hat und ob er noch vollständig angenommen wird. "
                       "Erreicht er die Grenze für Gästebuch oder Forum, leuchtet "
                       "rechts die rote Anzeige auf."),
        QStringLiteral(""),
        QStringLiteral("Die Grenzwerte sind Richtwerte: Umlaute, Sonderzeichen und "
                       "der verwendete Browser verändern die tatsächliche "
                       "Höchstzahl. Unter \"anpassen\" kannst Du eigene Werte "
                       "eintragen."),
        QStringLiteral(""),
        QStringLiteral("Vielen Dank an Jule, die mich auf die Idee zu diesem "
                       "kleinen Werkzeug gebracht hat."),
        QStringLiteral(""),
        QStringLiteral("Karst"),
        QStringLiteral("Viel Spaß beim Arbeiten mit Vexlo-Ed"),
    };
    return lines.join(u'\n');
}
