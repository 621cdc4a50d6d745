// The canvas data file that the companion design program loads: four comment
// lines, the stamp line, then the design record one layer to a line. Every
// line ends in CR LF. Written whole or not at all, so a reader never meets
// half a design.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/whole_file.h"

namespace kalo {

// Sixteen letters and digits that mark a file as ours; the companion checks
// them on line 5.
inline constexpr std::string_view CanvasStamp = "KALOSAVERCANVAS1";

// The four lines every canvas file opens with; the companion refuses files
// without them.
inline constexpr std::string_view kCanvasCommentLines[] = {
    "%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw DATA FILE!",
    "%%% This file is in a VERY PARTICULAR FORMAT.  'KaloDraw'",
    "%%% WILL CRASH if it attempts to load an altered data file!",
    "%%% This file was generated from KaloDraw DESIGN PROCESSOR.",
};

// The lines of a canvas file for a design record, without line ends: the
// comment lines, the stamp with its "c", then the record cut after every "/"
// (a tail without a closing "/" stays a line of its own).
std::vector<std::string> CanvasLines(std::string_view design_record);

// The lines joined, each ended by CR LF, nothing after the last one.
std::string CanvasFileText(std::string_view design_record);

// Writes contents to path whole or not at all (see WriteWholeFile). Returns
// "" once every byte is on disk, otherwise the message for the user (see
// FileErrorMessage); on failure the target is left as it was.
std::string WriteFileAtomically(const std::string& path, std::string_view contents,
                                LinkAtName links = LinkAtName::kFollow);

// The canvas file for the record, written as above.
std::string WriteCanvasFile(const std::string& path, std::string_view design_record,
                            LinkAtName links = LinkAtName::kFollow);

}  // namespace kalo
