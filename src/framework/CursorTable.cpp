#include "framework/CursorTable.h"

#include <QHash>

namespace {

QHash<TCursor, QCursor>& Table()
{
    static QHash<TCursor, QCursor> table;
    return table;
}

}  // namespace

void SetScreenCursor(TCursor number, const QCursor& cursor)
{
    Table().insert(number, cursor);
}

QCursor ScreenCursor(TCursor number)
{
    return Table().value(number, QCursor(Qt::ArrowCursor));
}
