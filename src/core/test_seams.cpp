#include "core/test_seams.h"

extern "C" PIXET_API pixet::engine::Table* PixetEngineTable() { return &pixet::engine::table(); }
extern "C" PIXET_API pixet::internet::Table* PixetInternetTable() { return &pixet::internet::table(); }
