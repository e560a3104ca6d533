'''A stand-in udisks2 daemon for the access tests (a python3-dbusmock
template). Parameters: {"devices": {NAME: {"image": PATH, "readonly": BOOL}
or {"refuse": true}}}. Each device gets a block object whose OpenDevice
hands out a descriptor of its image file in the mode asked for, as the real
daemon does for a block device, or refuses as not authorised. Like a careful
caller would want of the real daemon, it insists on exclusive opening.
'''

import os

import dbus

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True

BLOCK_IFACE = 'org.freedesktop.UDisks2.Block'
ERROR = 'org.freedesktop.UDisks2.Error.'


def failed(text):
    return dbus.exceptions.DBusException(text, name=ERROR + 'Failed')


def open_image(image, readonly):
    def open_device(_self, mode, options):
        if not int(options.get('flags', 0)) & os.O_EXCL:
            raise failed('Error opening device: not asked for exclusive use')
        if mode not in ('r', 'rw'):
            raise failed('Error opening device: unknown mode ' + mode)
        if readonly and mode != 'r':
            raise failed('Error opening device: Read-only file system')
        fd = os.open(image, os.O_RDWR if mode == 'rw' else os.O_RDONLY)
        try:
            return dbus.types.UnixFd(fd)
        finally:
            os.close(fd)
    return open_device


def refuse(_self, _mode, _options):
    raise dbus.exceptions.DBusException('Not authorized to perform operation',
                                        name=ERROR + 'NotAuthorized')


def load(mock, parameters):
    for name, device in parameters.get('devices', {}).items():
        if device.get('refuse'):
            handler = refuse
        else:
            handler = open_image(device['image'], device.get('readonly', False))
        mock.AddObject('/org/freedesktop/UDisks2/block_devices/' + name, BLOCK_IFACE, {},
                       [('OpenDevice', 'sa{sv}', 'h', handler)])
