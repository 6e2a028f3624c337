#pragma once

#include <QString>

// Why a file or folder cannot be read or written, in the user's words, for
// the system's error number: the cause the messages name after the file.
QString FileErrorReason(int error);
