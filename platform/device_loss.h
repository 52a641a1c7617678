#pragma once

// Whether a device file has gone (a USB device unplugged): its descriptor
// hung up, or an operation on it failed with EIO, ENXIO or ENODEV. Once gone
// it stays gone until Reset, which a fresh open calls.
class CDeviceLoss {
public:
    void Reset() { lost_ = false; }
    // Notes the errno of a failed operation; true once the device counts as gone.
    bool Note(int error);
    // Looks at fd (none when negative) for a hang-up; true once the device counts as gone.
    bool Check(int fd);

private:
    bool lost_ = false;
};
