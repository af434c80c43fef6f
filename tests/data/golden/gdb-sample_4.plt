Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,ACTIVE LOG 004,1,0,0,255
0
  51.312458,  12.412885,1,    527,38473.4482060, 01-May-05, 10:45:25
