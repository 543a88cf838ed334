#include "ui/resources/site_catalogue.hpp"

namespace xingfan::ui {

// "ED2000" and "百度网盘" lead to a web search engine's front page by its numeric address,
// and "迅雷快传" searches the file-sharing service through that same address.
const std::array<SiteEntry, 36> kSiteCatalogue{{
    // 0 "综合"
    {u"超级按钮20", u"BTdigg", 0, 0, u"http://btdigg.org/"},
    {u"超级按钮21", u"ED2000", 0, 65, u"http://74.125.224.72/"},
    {u"超级按钮23", u"磁力搜索", 0, 130, u"http://www.torrentkitty.com/"},
    {u"超级按钮22", u"iVerycd", 0, 195, u"http://www.iverycd.com/"},
    {u"超级按钮26", u"btspread", 0, 260, u"http://www.btspread.com/search"},
    {u"超级按钮25", u"人人影视", 0, 325, u"http://www.yyets.com/"},
    {u"超级按钮24", u"百度网盘", 0, 390, u"http://74.125.224.72/"},
    // 1 "影视"
    {u"超级按钮27", u"BT天堂", 1, 0, u"http://www.bttiantang.com/"},
    {u"超级按钮28", u"IMAX.IM", 1, 64, u"http://imax.im/"},
    {u"超级按钮29", u"电影天堂", 1, 128, u"http://www.dytt8.net/"},
    {u"超级按钮32", u"电影FM", 1, 192, u"http://dianying.fm/"},
    {u"超级按钮31", u"SimpleCD", 1, 256, u"http://www.simplecd.org/"},
    {u"超级按钮30", u"搬运工", 1, 320, u"http://www.banyungong.net/"},
    {u"超级按钮38", u"手机电影", 1, 384, u"http://www.mp4ba.com/"},
    {u"超级按钮37", u"龙部落", 1, 448, u"http://www.lbldy.com/"},
    {u"超级按钮36", u"迅雷快传", 1, 512,
     u"http://74.125.224.72/custom?newwindow=1&sitesearch=kuai.xunlei.com&q=&btnG=Google+%E6%90%9C%E7%B4%A2"},
    {u"超级按钮35", u"YY下载站", 1, 576, u"http://www.yyxz.com/"},
    {u"超级按钮34", u"老调网", 1, 640, u"http://www.laodiao.net/"},
    {u"超级按钮33", u"oaBT", 1, 704, u"http://oabt.org/"},
    {u"超级按钮40", u"逛电驴", 1, 768, u"http://www.guangdianlv.com"},
    {u"超级按钮39", u"射手字幕", 1, 832, u"http://www.shooter.cn"},
    // 2 "动漫"
    {u"超级按钮41", u"极影动漫", 2, 1, u"http://bt.ktxp.com/"},
    {u"超级按钮42", u"36dm", 2, 66, u"http://www.36dm.com/"},
    {u"超级按钮44", u"幻樱动漫", 2, 131, u"http://www.hysub.com/"},
    {u"超级按钮43", u"leopard", 2, 196, u"http://leopard-raws.org/index.php"},
    {u"超级按钮46", u"Nyaa", 2, 261, u"http://www.nyaa.se/"},
    {u"超级按钮45", u"Tokyo", 2, 326, u"http://www.tokyotosho.info"},
    // 3 "软件"
    {u"超级按钮47", u"绿软家园", 3, 1, u"http://www.greendown.cn/default.html"},
    {u"超级按钮48", u"非凡软件站", 3, 66, u"http://www.crsky.com/default.html"},
    {u"超级按钮50", u"太平洋下载", 3, 131, u"http://dl.pconline.com.cn"},
    {u"超级按钮49", u"游侠资源站", 3, 196, u"http://down.ali213.net/"},
    {u"超级按钮51", u"3DMAGE", 3, 261, u"http://bt.3dmgame.com/"},
    // 4 "其他"
    {u"超级按钮52", u"豆瓣评分", 4, 0, u"http://movie.douban.com/"},
    {u"超级按钮53", u"百度文库", 4, 65, u"http://wenku.baidu.com/"},
    {u"超级按钮55", u"新浪爱问", 4, 130, u"http://ishare.iask.sina.com.cn/"},
    {u"超级按钮54", u"迅雷云播", 4, 195, u"http://vod.xunlei.com/home.html"},
}};

}  // namespace xingfan::ui
