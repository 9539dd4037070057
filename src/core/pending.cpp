// Methods whose subsystems are not in this build yet. They do nothing and report 0.
#include "pixet/pixet.h"

