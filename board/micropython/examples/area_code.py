# The forecast area of one municipality. Parcelo's files lie in /sd/parcelo on the card.
import parcelo

try:
    code = parcelo.area_code("130000", "新宿区")  # a string: "010000" is not 10000
    # "130010": show the area of forecast/130000.json whose area.code is "130010".
    print("新宿区:", code)
except parcelo.Error as error:
    print("Error:", error.kind)
