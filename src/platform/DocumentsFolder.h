#pragma once
#include <optional>
#include <string>

namespace corvenna {

// The current user's Documents folder: XDG_DOCUMENTS_DIR of
// $XDG_CONFIG_HOME/user-dirs.dirs (default $HOME/.config), else $HOME/Documents;
// without a trailing "/". Nothing when HOME is unset or the folder does not exist.
// Raises EOSError, naming it, when user-dirs.dirs is there but is no regular
// file or cannot be read.
std::optional<std::string> DocumentsFolder();

}  // namespace corvenna
