// Methods whose subsystems are not in this build yet. They do nothing and report 0.
#include "pixet/pixet.h"

void Pixet::CaptureDesktopToBmp(const char*) {}
void Pixet::CaptureClientToBmp(const char*) {}
void Pixet::CaptureClientRectToBmp(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void Pixet::CaptureWindowToBmp(const char*) {}
std::int32_t Pixet::CreatePictureBox(PixetHostWindow*, std::int16_t, std::int32_t) { return 0; }
std::int32_t Pixet::DrawImage(PixetHostWindow*, const char*, std::int16_t, std::int32_t, std::int32_t) { return 0; }
std::int32_t Pixet::DisplayImage(PixetHostWindow*, const char*, std::int16_t, std::int32_t, std::int32_t) { return 0; }
std::int32_t Pixet::DisplayImageAsBackground(PixetHostWindow*, const char*, std::int32_t) { return 0; }
void Pixet::ResizeImage() {}
std::intptr_t Pixet::ImageHandleFromResource(const char*, const char*) { return 0; }
std::int32_t Pixet::SaveResourceToFile(const char*, const char*, const char*) { return 0; }
