// Reading one attribute file of the kernel's sysfs (vendor, model, serial,
// diskseq...): its first line with the blanks the kernel pads it with
// trimmed.
#pragma once
#include <string>

// "" when the file cannot be read.
std::string ReadSysfsLine(const std::string& file);
