// Qt reads and writes text and file names in UTF-8, and when the locale names
// another character set it switches by itself and says so in four lines on
// stderr. A saver is often started with a bare environment (MATE's saver,
// cron, "env -i"), where the C locale is no one's choice but the absence of
// one; it must start as quietly there as anywhere.
#pragma once

namespace kalo {

// Moves the environment to the UTF-8 form of the user's locale before Qt
// reads it: the same language in UTF-8 where that is installed, C.UTF-8
// otherwise (and for the C and POSIX locales). Only the variable that decides
// the character set is changed: LC_ALL when it is set, else LC_CTYPE; and
// LC_ALL, to C.UTF-8, when the locale named is not installed at all, since
// every category is then C. A UTF-8 locale is left alone. The process's own
// locale is as it was before the call.
void MoveToUtf8Locale();

}  // namespace kalo
