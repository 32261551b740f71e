// The program's version, one place for every title, file and package.
#pragma once

constexpr const char* VersionEmulZorv = "2.2a";
// What the saved files say wrote them.
constexpr const char* ProgrammeEmulZorv = "EmulZorv 2.2a";
