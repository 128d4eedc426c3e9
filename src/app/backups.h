#pragma once
// Numbered backup copies of a score file: before a native save overwrites
// "<folder>/<stem>.sfd", the old file is copied to "<stem>.v<N>.sfd" beside
// it, N one above the highest number there, and with a limit the oldest
// copies are deleted until the limit holds, the new copy included.
#include <string>
#include <vector>

namespace qs {

struct TEditorSettings;

// "<folder>/<stem>.v<number>.sfd" for a document "<folder>/<stem>.<ext>".
std::string BackupCopyName(const std::string& fileName, int number);
// The number of the backup copy name of the document fileName, or 0 when
// name is not one of its copies ("<stem>.v" + decimal digits + ".sfd").
int BackupNumberOf(const std::string& fileName, const std::string& name);
// Whether fileName is itself a backup copy (its stem ends in ".v" and
// digits): a copy is never backed up again.
bool IsBackupCopyName(const std::string& fileName);
// The numbers of the copies of fileName that exist, ascending.
std::vector<int> ExistingBackupNumbers(const std::string& fileName);

// Copies the existing file fileName to its next numbered copy and trims
// the copies to the limit, when the settings ask for backups. A limit
// below 1 counts as 1: the new copy is always kept. Fails silently (a
// missing file, a folder that cannot be written): a backup never stops a
// save. Returns the copy's name, or "" when none was made.
std::string MakeBackupCopy(const std::string& fileName, const TEditorSettings& settings);

}  // namespace qs
