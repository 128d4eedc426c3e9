#pragma once
// The command-line report of what score files hold, written for people:
// title, composer and the other credits, the pieces with their parts and
// measures, the page, and the music counted in words a musician uses.
#include <string>
#include <vector>

namespace qs {

class TQSScore;

// The report of a loaded score; native tells whether it was read from a
// score file of the program's own (which has a format version).
std::string ContentsReport(const TQSScore& score, bool native);

// Reads each file and prints its name and report (or why it could not be
// read) on standard output; 0 when every file was read, 1 otherwise.
int PrintContents(const std::vector<std::string>& files);

}  // namespace qs
