#include "ScriptedPlatform.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
