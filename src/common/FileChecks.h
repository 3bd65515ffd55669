// Existence and write checks on files and directories, and the two standard file prompts.
#pragma once

#include "common/UserAnswers.h"

#include <string>

namespace tlx {

bool FileExists(const std::string& path);
bool CanCreateFile(const std::string& path);
bool IsFileLocked(const std::string& path, UserAnswers* answers);  // answers null: no message
bool CanWriteFile(const std::string& path, UserAnswers* answers);
bool DeleteFile(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CanCreateDirectory(const std::string& path);
bool EnsureDirectory(const std::string& path);

// Yes, No or Cancel: Yes without a prompt when the file does not exist, No without a prompt when
// it cannot be created, else the answer to the overwrite prompt.
MsgAnswer ConfirmOverwrite(const std::string& path, UserAnswers& answers);

// The standard messages.
MessageRequest OverwritePrompt(const std::string& path);
MessageRequest OpenErrorMessage(const std::string& path);

// The standard file dialog: the chosen path or empty text; with forceExtension the returned path
// gets the extension.
std::string ShowFileDialog(UserAnswers& answers, const std::string& initialDirectory,
                           const std::string& initialName, const std::string& title,
                           bool forOpening, const std::string& extension, bool askFlags,
                           bool forceExtension);

}  // namespace tlx
