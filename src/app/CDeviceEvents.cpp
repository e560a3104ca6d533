// The device-event source has no code of its own beyond what moc makes.
#include "CDeviceEvents.h"
