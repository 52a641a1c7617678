#include "radio/rig_line_devices.h"

#include "platform/cm108_device.h"
#include "platform/gpio_line.h"
#include "platform/hidraw_devices.h"

#include <utility>

namespace {

class CCm108KeyingLine : public IKeyingLine {
public:
    CCm108KeyingLine(std::shared_ptr<CCm108Device> chip, int pin, bool invert)
        : chip_(std::move(chip)), pin_(pin), invert_(invert) {}
    bool Set(bool keyed) override { return chip_->SetPin(pin_, keyed != invert_); }
    bool IsLost() override { return chip_->IsLost(); }

private:
    std::shared_ptr<CCm108Device> chip_;
    int pin_;
    bool invert_;
};

class CCm108SquelchInput : public ISquelchInput {
public:
    CCm108SquelchInput(std::shared_ptr<CCm108Device> chip, bool invert)
        : chip_(std::move(chip)), invert_(invert) {}
    std::optional<bool> IsOpen() override {
        const std::optional<bool> pressed = chip_->VolumeDown();
        return pressed ? std::optional<bool>(*pressed != invert_) : std::nullopt;
    }
    bool IsLost() override { return chip_->IsLost(); }

private:
    std::shared_ptr<CCm108Device> chip_;
    bool invert_;
};

class CGpioKeyingLine : public IKeyingLine {
public:
    CGpioKeyingLine(std::unique_ptr<CGpioLine> line, bool invert)
        : line_(std::move(line)), invert_(invert) {}
    bool Set(bool keyed) override { return line_->Set(keyed != invert_); }
    bool IsLost() override { return line_->IsLost(); }

private:
    std::unique_ptr<CGpioLine> line_;
    bool invert_;
};

class CGpioSquelchInput : public ISquelchInput {
public:
    CGpioSquelchInput(std::unique_ptr<CGpioLine> line, bool invert)
        : line_(std::move(line)), invert_(invert) {}
    std::optional<bool> IsOpen() override {
        const std::optional<bool> high = line_->Get();
        return high ? std::optional<bool>(*high != invert_) : std::nullopt;
    }
    bool IsLost() override { return line_->IsLost(); }

private:
    std::unique_ptr<CGpioLine> line_;
    bool invert_;
};

RigLines OpenCm108(const RigSettings& s, const std::string& sysfsRoot) {
    RigLines lines;
    std::string node = s.cm108Device;
    if (node.empty()) {
        const std::vector<HidrawDevice> chips = FindCm108Devices(sysfsRoot);
        if (chips.empty()) {
            lines.name = "CM108 sound chip";
            lines.problem = "No CM108/CM119 sound chip is plugged in: no hidraw device has one "
                            "of the USB ids " +
                            Cm108UsbIdList() +
                            ". Plug it in, or name its device in CM108DEV of section [TX_CTRL].";
            return lines;
        }
        node = chips.front().node;
    }
    lines.name = "CM108 " + node;
    auto chip = std::make_shared<CCm108Device>();
    lines.problem = chip->Open(node);
    if (!lines.problem.empty())
        return lines;
    auto key = std::make_unique<CCm108KeyingLine>(chip, s.cm108Pin, s.cm108InvertKeying);
    if (!key->Set(false)) {
        lines.problem = node + " does not take GPIO reports: is it a CM108/CM119 chip?";
        return lines;
    }
    lines.key = std::move(key);
    if (s.squelchLine == RigSquelchLine::Cm108VolumeDown)
        lines.squelch = std::make_unique<CCm108SquelchInput>(chip, s.cm108InvertSquelch);
    return lines;
}

RigLines OpenGpio(const RigSettings& s) {
    RigLines lines;
    lines.name = "GPIO " + s.gpioChip + " line " + s.gpioKeyLine;
    auto key = std::make_unique<CGpioLine>();
    lines.problem = key->OpenOutput(s.gpioChip, s.gpioKeyLine, s.gpioInvertKeying);
    if (!lines.problem.empty())
        return lines;
    if (s.squelchLine == RigSquelchLine::Gpio) {
        auto squelch = std::make_unique<CGpioLine>();
        lines.problem = squelch->OpenInput(s.gpioChip, s.gpioSquelchLine);
        if (!lines.problem.empty())
            return lines;
        lines.squelch =
            std::make_unique<CGpioSquelchInput>(std::move(squelch), s.gpioInvertSquelch);
    }
    lines.key = std::make_unique<CGpioKeyingLine>(std::move(key), s.gpioInvertKeying);
    return lines;
}

} // namespace

RigLines OpenRigLines(const RigSettings& settings, const std::string& sysfsRoot) {
    if (settings.keyingMethod == RigKeyingMethod::Cm108)
        return OpenCm108(settings, sysfsRoot);
    if (settings.keyingMethod == RigKeyingMethod::Gpio)
        return OpenGpio(settings);
    return {};
}
