#pragma once

#include "ProvisionOptions.h"

#include <QString>

#include <optional>

namespace brevane::provision {

// Reads the password from where the options say: the first line of
// standard input or of a file (the line end removed, nothing else), or a
// prompt on the terminal with echo off.
class PasswordReader
{
public:
    struct Result
    {
        std::optional<QString> password;
        QString error; // why there is none
        QString warning; // something to mend, though the password was read
    };

    static Result read(const ProvisionOptions &options);

    // Puts the terminal's echo back if a prompt is still open; safe to call
    // on the way out of the program at any time.
    static void restoreTerminal();

private:
    static Result fromTerminal();
};

// The first line of `bytes` without its line end ("\n" or "\r\n").
QString firstLine(const QByteArray &bytes);

} // namespace brevane::provision
