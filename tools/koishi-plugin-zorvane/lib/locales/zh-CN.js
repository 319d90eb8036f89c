// 插件自己的文字；游戏和签到的回复来自宿主程序。
module.exports = {
  config: {
    commandWordOnly: '只转发以命令词“Zorva ”开头的群消息（转发时去掉命令词）。关闭时转发所有群文字消息。',
    hosts: '宿主进程的数量。每个群固定由其中一个进程处理，谜语网站慢时只影响同一进程的群。',
    hostTimeout: '宿主进程处理一条消息的最长时间（秒），超时则重启该进程，这条消息不回复。',
    useRunningSite: '使用已在运行的谜语网站，不启动插件自带的网站。',
    signinMin: '每日签到最少发放的人民币。',
    signinMax: '每日签到最多发放的人民币。',
  },
  commands: {
    签到: { description: '每日签到，领取人民币' },
    余额: { description: '查看自己的人民币' },
    排行: { description: '本群人民币前十名' },
  },
}
