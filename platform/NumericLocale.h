#pragma once
// Numbers in cells, files, frames and sums are written and read the C way ("3.142"), whatever the
// desktop's language: the application object takes the user's locale for every category at
// start-up, and the C conversions (strtod, snprintf, ...) would then follow a decimal comma.
namespace platform {

// Call once the application object exists: sets the numeric category back to "C" and leaves the
// others (character set, messages) as the user has them.
void KeepCNumericLocale();

}
