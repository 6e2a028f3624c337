#pragma once

#include <QString>

// The fixed text shown by "about".
QString AboutText();
