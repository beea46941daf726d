#pragma once

// The folders of the program's data: what it ships (the parts library and the datasheets, read from
// the installed prefix or, in a build tree, from the build's copy) and what the user keeps in the
// per-user data folder (the parts centre and the user's own datasheets).

#include <QString>

// The shipped folder of that name ("parts", "datasheets"); empty when none exists.
QString ShippedDataFolder(const QString& name);
// The user's folder of that name, created when missing.
QString UserDataFolder(const QString& name);

// The parts centre's root: "Parts Centre" in the user's data folder, created when missing and
// topped up from the shipped library.
QString PartsCentreRoot();

// Copies into target every file under shipped (sub-folders included) that was not offered before,
// as the manifest file records: a file the user already has is kept and not overwritten, and a
// shipped file the user deleted is not brought back. Returns the number of files copied.
int TopUpFromShipped(const QString& shipped, const QString& target, const QString& manifestPath);
