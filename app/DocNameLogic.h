#pragma once
// A document's file names: the file part, the name a save writes to, the window caption and
// the question before a file is written over.

#include <string>

// The part after the last '/'.
std::string FileNamePart(const std::string& path);
// ".kiv" appended when the file part has no extension of its own.
std::string SaveFileName(const std::string& name);
// A caption: the file part up to (not including) its first '.'.
std::string CaptionOfName(const std::string& name);

// "Plik :<name> już istnieje\nPokryć istniejący plik ?"
std::string OverwriteQueryText(const std::string& fileName);
