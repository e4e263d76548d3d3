#include "VeskEditApplication.h"

START_JUCE_APPLICATION (VeskEditApplication)
