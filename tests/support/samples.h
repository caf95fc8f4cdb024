#pragma once

#include <QString>

// The folder of real sample files: $VISTARA_SAMPLES, else the default the build gives in
// $VISTARA_SAMPLES_DEFAULT; empty when neither is set.
QString samplesFolder();
