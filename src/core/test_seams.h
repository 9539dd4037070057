// Entry points that only the tests' build of pixet.dll exports: the engine and WinINet
// tables, so tests can wrap their entries. The product DLL exports the class and the C
// functions alone.
#pragma once

#include "core/engine.h"
#include "core/internet.h"
#include "pixet/export.h"

extern "C" PIXET_API pixet::engine::Table* PixetEngineTable();
extern "C" PIXET_API pixet::internet::Table* PixetInternetTable();
