#include "png/bgr_sub_filter.h"

namespace png {

BgrSubFilter ChooseBgrSubFilter() { return SubFilterBgrRow; }

}  // namespace png
