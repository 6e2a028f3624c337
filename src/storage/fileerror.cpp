#include "storage/fileerror.h"

#include <cerrno>

QString FileErrorReason(int error)
{
    switch (error) {
        case EISDIR:
            return QStringLiteral("Es ist ein Ordner");
        case ENOENT:
            return QStringLiteral("Die Datei existiert nicht");
        case ENOTDIR:
            return QStringLiteral("Ein Teil des Pfades ist kein Ordner");
        case EACCES:
        case EPERM:
            return QStringLiteral("Zugriff verweigert");
        case ENODEV:
        case ENXIO:
            return QStringLiteral("Es ist keine gewöhnliche Datei");
        case EROFS:
            return QStringLiteral("Der Datenträger ist schreibgeschützt");
        case ENOSPC:
            return QStringLiteral("Kein Platz mehr auf dem Datenträger");
        case EDQUOT:
            return QStringLiteral("Das Speicherkontingent ist erschöpft");
        case EFBIG:
            return QStringLiteral("Die Datei wäre zu groß");
        case ENAMETOOLONG:
            return QStringLiteral("Der Name ist zu lang");
        case ELOOP:
            return QStringLiteral("Zu viele symbolische Verknüpfungen");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("Zu viele geöffnete Dateien");
        default:
            return QStringLiteral("E/A-Fehler %1").arg(error);
    }
}
