Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,Track A,1,0,0,255
0
  47.608000,-122.335000,1,   -777,38045.5000000, 01-Mar-04, 12:00:00
  47.609000,-122.336000,0,    120,38045.5006944, 01-Mar-04, 12:01:00
