#pragma once

#include <system_error>

namespace orlo {

// A system error met while the folder was to take the new file (creating the temporary file or
// renaming it); it compares equal to the plain error, and RefusingFolder recognises it.
std::error_code FolderError(const std::error_code& error);
bool IsFolderError(const std::error_code& error);

} // namespace orlo
