#pragma once

#include "toolcommand.h"

namespace feedtool {

// decode --tv|--radio FILE: every station the program would load, as JSON lines.
int runDecode(const QStringList& arguments, ToolStreams& io);
// encode --tv|--radio [--json|--text] INPUT OUTPUT: a scrambled catalogue from JSON lines or text.
int runEncode(const QStringList& arguments, ToolStreams& io);
// check --tv|--radio FILE: every line the program would drop, and why.
int runCheck(const QStringList& arguments, ToolStreams& io);

}  // namespace feedtool
