#include "data/text_lines.h"

namespace vorlane {

const char* const text_lines[text_line_count] = {
    "one",
    "two",
    "three",
    "four",
    "four",
    "four",
    "???",
    "what?",
    "444",
    "t=etime.count(time);",
    "float x[3],y[3],z[3];",
    "x[0]=3+sin(t*51);",
    "x[1]=6+2*sin(t*23);",
    "x[2]=3+1.5*sin(t*37);",
    "engine myengine; en=&myengine;",
    "log(\"About to init engine\");",
    "myengine.init(resx,resy,windowed); pd3dDev=myengine.pd3dDev;",
    "log(\"Engine inited\");",
    "if(pd3dDev->CreateStateBlock(",
    "part1_fnt2.init(\"Courier New\",64,1,32);",
    "part1_fnt3.init(\"Arial Black\",118,1);",
    "part1_fnt4.init(\"Arial Black\",64,1);",
    "part3_fnt.init(\"Times\",128,1);",
    "while(int(get_parttime())>int(part_length))",
    "    {",
    "       part_start+=part_length;",
    "       switch(cur_part)",
    "       {",
    "           case 1: myscene->no_effects=0;",
    "            part=new part2(*myscene);",
};

}  // namespace vorlane
