// The fuzz targets carry no sounds.
#include "platform/resources.h"

const ResourceEntry resource_table[] = {{"", "", nullptr, 0}};
const int32_t resource_count = 0;
