// The process-wide capture object behind the capture methods. It is made when the library
// loads (reserving its file in the temporary folder then, as hosts have always seen) and
// deleted when it unloads.
#pragma once

namespace pixet {

class BmpCapture;

namespace capture {

void MakeProcessCapture();
void DeleteProcessCapture();
// Null before load, after unload, or when it could not be made: the capture methods then
// do nothing and the rest of the library still works.
BmpCapture* ProcessCapture();

}  // namespace capture
}  // namespace pixet
