// File-side helpers of the engine: Bezier arrays and JPEG images in streams,
// folder listings, the log file, the program and temporary folders, numbered
// file names, the network-drive test and byte sizes for people.
#pragma once

#include "engine/Bezier.h"

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <vector>

class TBitmap32;
class TStream;

// --- Bezier arrays ----------------------------------------------------------

// Bytes of one Bezier record in a file: eight signed 32-bit coordinates.
inline constexpr int64_t BezierRecordSize = 32;

// The bare 32-byte records, in order, with no count.
void WriteBeziers(TStream& stream, std::span<const TBezier> beziers);
// Fills every element; raises EngineError when the stream holds fewer records.
void ReadBeziers(TStream& stream, std::span<TBezier> beziers);

// --- JPEG -------------------------------------------------------------------

// Decodes the JPEG image that runs from the stream's position to its end into
// Dest (size and pixels; alpha 255). Data that is not a JPEG image raises
// EngineError and leaves Dest as it was.
void LoadJPEGFromStream(TBitmap32& dest, TStream& stream);
// The same for a picture whose size is known in advance: the size is read
// from the JPEG header first, and a picture of any other size is passed over
// undecoded (the stream is still consumed, Dest is left as it was) with the
// answer false. A header that cannot be read raises as a failed decode does.
bool LoadJPEGOfSizeFromStream(TBitmap32& dest, TStream& stream, int32_t width, int32_t height);
// Encodes Src (alpha ignored) as a baseline colour JPEG of the given quality
// (1 to 100) at the stream's position.
void SaveJPEGToStream(const TBitmap32& src, TStream& stream, int quality);

// --- Folders and files ------------------------------------------------------

// The folder of the program file, with a trailing "/".
std::string GetProgramFolder();
// The program folder's "tmp", without a trailing "/".
std::string GetTempFolder(const std::string& programFolder);

// True when the wildcard mask ("*" any run, "?" any one character) matches
// the whole name, ignoring case; "*.*" matches every name, dotted or not.
bool MatchesMask(const std::string& name, const std::string& mask);
// Dir + Name of every entry of Dir (files and folders alike, never "." or
// "..") whose name matches Mask, sorted by name. Dir is used as given, so it
// carries its trailing "/". A missing folder lists nothing.
std::vector<std::string> GetFiles(const std::string& dir, const std::string& mask);
// Deletes every entry of Dir matching Mask that is not a folder; what cannot
// be deleted is skipped.
void DeleteFiles(std::string dir, const std::string& mask);

// The digits of N followed by "0"s up to Width characters: (1, 4) -> "1000".
std::string PadNumber(int64_t n, int width);
// The first Dir + Prefix + PadNumber(N, W) + Ext that does not exist, counting
// N up from 0 with W growing from 4 as N gains digits (style0000.gst,
// style1000.gst, ...). Creates Dir when it is missing (one level); an empty
// Dir means the program folder. Creates no file.
std::string MakeUniqueFileName(std::string dir, const std::string& prefix, std::string ext);

// True when Path (or, for a path that does not exist yet, its nearest existing
// folder) lies on a network file system. Any failure answers false.
bool IsRemoteDrive(const std::string& path);

// "1.5 Kb", "1 Mb", "1023 bytes": the largest unit the size reaches, with up
// to five significant digits.
std::string FormatByteSize(int64_t size);

// --- Log --------------------------------------------------------------------

// The log of files that failed to load: a bare name, so it lies in the
// process's current directory, not in the program folder.
inline constexpr const char* LogFileName = "ocra.log";

// Appends Line and a carriage return, line feed to FileName, creating the
// file when missing. A file that cannot be opened is tried a few times; then
// EngineError.
void AppendLog(const std::string& fileName, const std::string& line);
// Appends one line to the log for a file that failed to load: its path, ": "
// and the exception's message as it stands, so that a user with many files
// can tell which one it was.
void LogException(const std::string& fileName, const std::exception& e);
