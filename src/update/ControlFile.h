// The update control file is an initialisation file like any other.
#pragma once

#include "profile/ProfileFile.h"

namespace pordane::update {

using ControlFile = profile::ProfileFile;

} // namespace pordane::update
