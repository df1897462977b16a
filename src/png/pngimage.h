// The PNG encoder: image object, chunk classes, and their errors and texts.
#pragma once

#include "png/png_chunks.h"
#include "png/png_errors.h"
#include "png/png_image.h"
#include "png/png_list.h"
#include "png/png_stream.h"
#include "png/pnglang.h"
