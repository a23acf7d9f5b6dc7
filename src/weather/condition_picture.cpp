// Skeleton stub.
#include "weather/condition_picture.h"

ConditionPicture ChooseConditionPicture(std::string_view) { return ConditionPicture::kUnchanged; }
