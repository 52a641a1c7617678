#include "platform/wave_device.h"

namespace {

template <class Device, class Sink>
WaveOpenResult OpenAtFirstRate(Device& device, const WaveDeviceId& id, Sink& sink) {
    WaveOpenResult result;
    for (int rate : kWaveRates) {
        result.status = device.Open(id, rate, sink);
        if (result.status) {
            result.rate = rate;
            break;
        }
        if (result.status.error == WaveError::NoDevice || result.status.error == WaveError::Busy)
            break;
    }
    return result;
}

} // namespace

WaveOpenResult OpenWaveIn(IWaveIn& device, const WaveDeviceId& id, IWaveInSink& sink) {
    return OpenAtFirstRate(device, id, sink);
}

WaveOpenResult OpenWaveOut(IWaveOut& device, const WaveDeviceId& id, IWaveOutSink& sink) {
    return OpenAtFirstRate(device, id, sink);
}
