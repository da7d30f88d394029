#pragma once

#include <QString>

namespace brevane {

// The statements the program sends. Every text placed between apostrophes
// has its apostrophes doubled, and a name that is not a regular identifier
// or is a reserved keyword is bracketed; plain values give the statements
// exactly as they have always been sent.
namespace Statements {

QString quoted(const QString &text); // apostrophes doubled, no quotes added
// A string literal holding text: apostrophes doubled and quoted. Text beyond
// ASCII is marked as Unicode (N'...'), since without the mark the server
// converts it to its own code page, and a path or name that the code page
// cannot hold would reach it changed; ASCII text keeps the plain form.
QString literal(const QString &text);
bool isRegularIdentifier(const QString &name); // usable without brackets
bool isReservedKeyword(const QString &word);
QString identifier(const QString &name); // as is, or [name] with "]" doubled

QString fileList(const QString &backupPath);
QString databaseExists(const QString &databaseName);
QString dropDevice(const QString &deviceName, const QString &backupPath);
QString addDevice(const QString &deviceName, const QString &backupPath);
QString restoreDatabase(const QString &databaseName, const QString &deviceName, const QString &logicalData,
    const QString &physicalData, const QString &logicalLog, const QString &physicalLog);
// The restore statement with the server's progress messages asked for every `percent` percent.
QString withProgress(const QString &restoreStatement, int percent);
// The backup's header (its versions), and the version of the server.
QString backupHeader(const QString &backupPath);
QString serverVersion();

} // namespace Statements
} // namespace brevane
