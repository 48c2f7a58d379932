#pragma once
// Unit Serial: the serial port engine and the line settings text.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
