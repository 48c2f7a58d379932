#pragma once
// Unit Serial: the serial port engine, the line settings text and the link object.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "link/SerialIO.h"
