// The pictures pm-run writes (--screenshot): the types known by the name's ending, a frame number put
// into a name with one %d, and the writing itself, JPEG through stb's image writer.
#pragma once

#include <string>

#include <pelmora/engine/Image.h>

namespace PMHost {

// The picture types, as a message lists them.
inline constexpr char kPictureTypes[] = ".png, .jpg (or .jpeg), .bmg and .tga";

// Whether `name` can name --screenshot pictures: a known type, and at most one "%d" with an optional 0
// flag and a width of one or two digits ("f%03d.png"; a width comes with the 0), no other "%", in a
// folder that exists and can be written to. Empty when it can, else why not.
std::string PictureNameProblem(const std::string& name);

// Whether `name` (one PictureNameProblem accepts) names one picture a frame.
bool IsPictureSequence(const std::string& name);

// The file of frame `frame` for a sequence name, `name` itself for another.
std::string PictureFileOf(const std::string& name, int frame);

// Writes `image` to `file` by its type, whole or not at all; false (logged, naming the file, with `why`
// when there is no image) when it cannot.
bool WritePicture(PM::Image_I* image, const std::string& file, const char* why = nullptr);

}  // namespace PMHost
