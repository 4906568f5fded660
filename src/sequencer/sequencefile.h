#pragma once

#include "sequencer/sequence.h"
#include "workspace/filereplace.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The sequence file: one line per step, four double-quoted fields separated by blanks
// (step number, delay, command, next step), a blank and CR LF after the fourth. Bytes map
// to characters one to one (Latin-1), so every byte a command holds survives a save and a
// load, and a command's characters are the bytes it sends.
namespace SequenceFile {

inline constexpr const char *ChooserFilter = "Text files (*.txt)";
inline constexpr const char *SaveTitle = "Keldan Save";
inline constexpr const char *OpenTitle = "Keldan Open";

// Reads the text of a file. Lines are read whole, however long. Within a line a double
// quote opens a field when anything follows it, and the field runs to the next double
// quote (or to the end of the line); text outside the quotes is dropped. Fields are
// counted from 1 on every line: 1 starts a step (its number is regenerated), 2 is the
// delay, 3 the command, 4 the next step, and a fifth field starts a further step. A step
// a line leaves unfinished keeps what it has: a missing delay is "0", a missing command
// empty, a missing next step the step below it. Every response is " ".
Sequence parse(const QByteArray &content);

// The file's text for a sequence.
QByteArray format(const Sequence &sequence);

// A field holding a double quote or a line break would not load back as it was written.
// Returns the 0-based index of the first step holding one, or -1 when all can be saved.
int firstUnsavableStep(const Sequence &sequence);

// Reads and parses the file; nullopt when it cannot be opened for reading.
std::optional<Sequence> load(const QString &path);

using SaveResult = FileReplace::Result;

// Writes the sequence to path. An existing file is first kept as its backup (FileReplace),
// replacing an older backup, so the version being overwritten is never lost; the new file
// then replaces the old one atomically (a failure leaves the old file whole). Ask the
// operator first (FileReplace::confirmOverwrite): this asks nothing. Fails, changing nothing, when a
// step cannot be saved (firstUnsavableStep), when the backup cannot be made, or when the
// file cannot be written.
SaveResult save(const QString &path, const Sequence &sequence);

} // namespace SequenceFile
