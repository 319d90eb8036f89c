// Each group's place in the game: one settings file per group below the
// game folder, holding the path of the current riddle page and its answer.
// The file, section and key names are the contract's.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The game folder in a host's folder (see the contract). The module's own is
// made by the descriptor export, never by the game.
Text GameFolderPath(TextView folder);

// The group's state file in a host's folder, for the module (its run
// directory) and the programs around it alike.
Text StateFilePath(TextView folder, TextView group);

// The rest works on the state files below the run directory.

// A group without a state file gets one that points at InitialRiddlePath;
// an existing file is left as it is.
void EnsureStateFile(TextView group);

// Both are the empty text when the file or the key is missing.
Text ReadCurrentPath(TextView group);
Text ReadStoredAnswer(TextView group);

// Stores the answer cut from a page, without its line breaks. An empty
// answer is stored too: it closes the riddle until the next start command.
void StoreAnswer(TextView group, TextView answer);

// Moves the group to the next page; false when it stays where it is. A path
// that is empty or not site-relative (it would be joined to the site address
// unescaped and could name another host) leaves the group where it is.
bool StoreNextPath(TextView group, TextView nextPath);

// Records that the riddle of the group's current page has been solved, so
// that a start command moves the group on instead of opening it again. A
// closed riddle alone does not tell a solved page from one whose answer
// could not be fetched, which must be opened again.
void MarkCurrentPageSolved(TextView group);
bool IsCurrentPageSolved(TextView group);
void ForgetSolvedPage(TextView group);

// The piece with every CR and LF byte removed, so that it stays one value
// on one line of a settings file.
Text WithoutLineBreaks(TextView piece);

// True for a path that begins with "/".
bool IsSiteRelativePath(TextView path);

}  // namespace zorvane
