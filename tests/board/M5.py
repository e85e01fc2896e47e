# Stand-in for UIFlow 2's M5 module: a screen that keeps the text printed since it was last
# cleared, and buttons that the test presses, one press per M5.update().
class Done(Exception):
    pass


class _Button:
    def __init__(self):
        self.pressed = False

    def wasPressed(self):
        return self.pressed


class _Lcd:
    class FONTS:
        EFontJA16 = "EFontJA16"
        EFontJA24 = "EFontJA24"

    def __init__(self):
        self.text = ""

    def clear(self):
        self.text = ""

    def setCursor(self, x, y):
        pass

    def setFont(self, font):
        pass

    def setTextColor(self, colour):
        pass

    def print(self, text):
        self.text += text


BtnA, BtnB, BtnC = _Button(), _Button(), _Button()
Lcd = _Lcd()
presses = ""  # "A", "B" or "C" per update still to come; then update() raises Done


def begin():
    pass


def update():
    global presses
    if not presses:
        raise Done()
    for name, button in (("A", BtnA), ("B", BtnB), ("C", BtnC)):
        button.pressed = presses[0] == name
    presses = presses[1:]
