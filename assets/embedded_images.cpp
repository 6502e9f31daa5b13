// embedded_images.cpp — the 91 PNG files built into the program. (stub)
#include "assets/assets.h"

const EmbeddedImage EmbeddedImages[EmbeddedImageCount] = {};
int EmbeddedImageSprite(int) { return 0; }
