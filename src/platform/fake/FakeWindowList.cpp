#include "platform/fake/FakeWindowList.h"
