#include <gtest/gtest.h>

#include "tests/channel/log_writer_process.h"

int main(int argc, char** argv) {
    // The log tests start this executable a second time as another writer of the log.
    if (const auto status = ardentis::testing::logWriterMain(argc, argv)) {
        return *status;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
