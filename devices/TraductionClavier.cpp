// Placeholder until the key rules land: nothing is translated.
#include "devices/TraductionClavier.h"

TTraduction TraduitMessageClavier(const TMessageClavier&, const TContexteClavier&) { return {}; }

TTraduction FormKeyDown(const TMessageClavier&, const TContexteClavier&) { return {}; }

uint16_t VkDepuisCleQt(int) { return 0; }
