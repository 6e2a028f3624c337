#include "abouttext.h"

#include <QStringList>

QString AboutText()
{
    static const QStringList lines = {
        QStringLiteral("Hallo Vexlo'ler!"),
        QStringLiteral("----------------"),
        QStringLiteral(""),
        QStringLiteral("Kennst Du das? Du schreibst einen langen Gruß in das"),
        QStringLiteral("Gästebuch eines Freundes oder antwortest ausführlich auf"),
        QStringLiteral("einen Beitrag in Deinem Lieblingsforum - und nach dem"),
        QStringLiteral("Absenden ist der Text plötzlich abgeschnitten, weil er"),
        QStringLiteral("zu lang war."),
        QStringLiteral(""),
        QStringLiteral("Vexlo-Ed zeigt Dir schon beim Schreiben, wie viele Zeichen"),
        QStringLiteral("Dein Text hat und ob er noch vollständig angenommen wird."),
        QStringLiteral("Erreicht er die Grenze für Gästebuch oder Forum, leuchtet"),
        QStringLiteral("rechts die rote Anzeige auf."),
        QStringLiteral(""),
        QStringLiteral("Die Grenzwerte sind Richtwerte: Umlaute, Sonderzeichen und"),
        QStringLiteral("der verwendete Browser verändern die tatsächliche"),
        QStringLiteral("Höchstzahl. Unter \"anpassen\" kannst Du eigene Werte"),
        QStringLiteral("eintragen."),
        QStringLiteral(""),
        QStringLiteral("Vielen Dank an Jule, die mich auf die Idee zu diesem"),
        QStringLiteral("kleinen Werkzeug gebracht hat."),
        QStringLiteral(""),
        QStringLiteral("Karst"),
        QStringLiteral("Viel Spaß beim Arbeiten mit Vexlo-Ed"),
    };
    return lines.join(u'\n');
}
