// load_assets.cpp — LoadAssets. (stub)
#include "assets/assets.h"

AssetState Assets;
std::string FontFilePath() { return {}; }
void LoadAssets() {}
void RenderTextLabel(int, const std::string&) {}
