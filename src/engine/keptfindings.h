// The findings listed when the program ends to restart with administrator rights:
// kept in the data folder, so that the elevated run lists them again instead of
// losing what the user was shown (a quick start-up scan would not find them all:
// an autorun file set aside, a finding deep in a folder).
#pragma once

#include <string>

namespace dw {

// The data folder's file that holds them.
std::wstring KeptFindingsPath();

// Writes every listed finding, with its reason. False when it could not be written.
bool KeepListedFindings();

// Window thread, after the drive pass: lists again each kept finding that is still
// on a drive of DriveList, then removes the file. The number listed again.
int RelistKeptFindings();

}  // namespace dw
