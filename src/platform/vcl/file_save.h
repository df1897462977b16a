// Saving a graphic so that a failure never destroys or truncates a file.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vcl {

// Writes the graphic to a temporary file beside `fileName` and moves it over
// `fileName` only when complete, replacing a file of that name. On any
// failure the temporary file is removed, an existing file is untouched, and
// the error names the file: "Cannot create file ..." when it cannot be
// created or replaced, "Cannot write file ..." when writing fails.
void SaveGraphicSafely(TGraphic& graphic, FileSystem& files, const std::string& fileName);

}  // namespace vcl
