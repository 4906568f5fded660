#pragma once

#include "serial/fakeserialdriver.h"
#include "serial/tcom.h"

// A TCom on the fake COM1, opened unless asked not to. Bytes fed before a read are there
// at once; a read that finds nothing waits out the read time-out as a real port does, and
// the line records every read the program asked for.
struct FakeBus
{
    FakeSerialDriver driver;
    std::shared_ptr<FakeLine> line = driver.addPort(1);
    TCom com{driver};

    explicit FakeBus(bool open = true)
    {
        com.setCOMport(1);
        com.setBaud(4);
        com.setFlowCtl(3);
        com.setStopBits(0);
        com.setDataBits(1);
        com.setParity(0);
        if (open)
            com.comOpen();
    }

    qsizetype reads() const { return line->readTimeouts().size(); }
};
