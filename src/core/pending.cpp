// Methods whose subsystems are not in this build yet. They do nothing and report 0.
#include "pixet/pixet.h"

std::int32_t Pixet::ConvertToGrayscaleImage(const char*, const char*) { return 0; }
std::int32_t Pixet::CopyToClipboard(const char*) { return 0; }
#undef LoadImage
std::int32_t Pixet::LoadImage(PixetHostWindow*, const char*, std::int16_t) { return 0; }
std::int32_t Pixet::LoadImageFromClipboard(PixetHostWindow*, std::int16_t) { return 0; }
std::int32_t Pixet::LoadImage(PixetHostReport*, const char*, std::int16_t) { return 0; }
