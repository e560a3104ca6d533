// How udev's block-disk events become device arrival and removal.
#include "CUdevDeviceEvents.h"

#include <gtest/gtest.h>

TEST(DeviceEventsTest, AddAndRemoveAreArrivalAndRemoval)
{
    EXPECT_EQ(kDeviceArrival, CUdevDeviceEvents::EventCode("add", nullptr, "2048"));
    EXPECT_EQ(kDeviceRemoveComplete, CUdevDeviceEvents::EventCode("remove", nullptr, nullptr));
}

TEST(DeviceEventsTest, AMediaChangeOfAReaderDependsOnTheMedium)
{
    EXPECT_EQ(kDeviceArrival, CUdevDeviceEvents::EventCode("change", "1", "62333952"));
    EXPECT_EQ(kDeviceRemoveComplete, CUdevDeviceEvents::EventCode("change", "1", "0"));
    EXPECT_EQ(kDeviceRemoveComplete, CUdevDeviceEvents::EventCode("change", "1", nullptr));
}

TEST(DeviceEventsTest, OtherEventsAreOnlyLogged)
{
    EXPECT_EQ(kDeviceNodesChanged, CUdevDeviceEvents::EventCode("change", nullptr, "2048"));
    EXPECT_EQ(kDeviceNodesChanged, CUdevDeviceEvents::EventCode("change", "0", "2048"));
    EXPECT_EQ(kDeviceNodesChanged, CUdevDeviceEvents::EventCode("bind", nullptr, nullptr));
    EXPECT_EQ(kDeviceNodesChanged, CUdevDeviceEvents::EventCode(nullptr, "1", "2048"));
}
