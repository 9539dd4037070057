// Export and calling-convention macros shared by the public headers.
#pragma once

#if defined(PIXET_BUILDING_DLL)
#define PIXET_API __declspec(dllexport)
#else
#define PIXET_API __declspec(dllimport)
#endif
