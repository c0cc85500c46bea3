#include "platform/fake/FakeProcessInfo.h"
