// Port discovery through libudev: the same devices as /sys/class/tty, with the vendor and model
// names and the bus that udev recorded for them.
#ifdef CALYRA_HAVE_UDEV
#include "PortDiscovery.h"

#include "PortNames.h"

#include <libudev.h>
#include <memory>
#include <string_view>

namespace {

std::string Property(udev_device* dev, const char* name) {
    const char* value = udev_device_get_property_value(dev, name);
    return value ? std::string(value) : std::string();
}

// udev writes blanks in names as '_'.
std::string Unescaped(std::string s) {
    for (char& c : s)
        if (c == '_') c = ' ';
    return s;
}

// "vendor model #serial" from the udev database; "" when udev recorded no model.
std::string UdevLabel(udev_device* dev) {
    std::string vendor = Property(dev, "ID_VENDOR_FROM_DATABASE");
    if (vendor.empty()) vendor = Unescaped(Property(dev, "ID_VENDOR"));
    std::string model = Property(dev, "ID_MODEL_FROM_DATABASE");
    if (model.empty()) model = Unescaped(Property(dev, "ID_MODEL"));
    if (model.empty()) return {};
    std::string label = vendor.empty() ? model : vendor + " " + model;
    // The serial number tells two adapters of one model apart, whatever order they came in.
    const std::string serial = Property(dev, "ID_SERIAL_SHORT");
    if (!serial.empty()) label += " #" + serial;
    return label;
}

struct SUdevRelease {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <class T> using UdevPtr = std::unique_ptr<T, SUdevRelease>;

} // namespace

bool DiscoverPorts(std::vector<SFoundPort>& ports, std::string* error) {
    UdevPtr<udev> context(udev_new());
    if (!context) return DiscoverPortsSysfs(ports, error);
    UdevPtr<udev_enumerate> list(udev_enumerate_new(context.get()));
    if (!list || udev_enumerate_add_match_subsystem(list.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(list.get()) < 0)
        return DiscoverPortsSysfs(ports, error);

    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(list.get())) {
        UdevPtr<udev_device> dev(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!dev) continue;
        const char* sysName = udev_device_get_sysname(dev.get());
        const std::string name = sysName ? sysName : "";
        const unsigned number = PortNumberOfDevice(name);
        if (number == 0) continue;
        // Virtual terminals have no device, and a port without a driver cannot be opened.
        udev_device* parent = udev_device_get_parent(dev.get()); // owned by dev
        if (!parent || !udev_device_get_driver(parent)) continue;
        if (name.rfind("ttyS", 0) == 0) {
            const char* type = udev_device_get_sysattr_value(dev.get(), "type");
            if (!UartPresent(name, type ? type : "")) continue;
        }
        SFoundPort port;
        port.number = number;
        const char* node = udev_device_get_devnode(dev.get());
        port.info.devicePath = node ? node : "/dev/" + name;
        const std::string bus = Property(dev.get(), "ID_BUS");
        const char* parentPath = udev_device_get_syspath(parent);
        const std::string sysDevice = parentPath ? parentPath : "";
        // Without a udev database (containers) the bus shows in the device's sysfs path.
        port.info.isUsb = bus.empty() ? sysDevice.find("/usb") != std::string::npos : bus == "usb";
        std::string label = UdevLabel(dev.get());
        if (label.empty() && port.info.isUsb) label = SysfsUsbLabel(sysDevice);
        if (label.empty()) label = KindLabel(name);
        port.info.description = PortDescription(label, port.info.devicePath);
        ports.push_back(port);
    }
    return true;
}
#endif
