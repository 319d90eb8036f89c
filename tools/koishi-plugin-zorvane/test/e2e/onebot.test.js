// The same game through Koishi's OneBot adapter: the replies leave as
// send_group_msg calls to a stand-in OneBot v11 server.
'use strict'

const assert = require('node:assert/strict')
const { test } = require('node:test')
const { appRequire, startKoishi, baseFolder, bundledRiddles } = require('../support/koishi-app')
const { OneBotServer, SELF_ID } = require('../support/onebot-server')

test('replies to group messages leave through OneBot as send_group_msg', async (t) => {
  const onebot = await OneBotServer.start()
  const riddles = bundledRiddles()
  await startKoishi(t, baseFolder(t), {
    mock: false,
    plugins: [
      [appRequire('@koishijs/plugin-server').default, { host: '127.0.0.1', port: 0 }],
      [appRequire('@koishijs/plugin-http').default, {}],
      // The adapter keeps a timer of responseTimeout for every call, answered
      // or not: the default minute would hold the test that long at its end.
      [appRequire('koishi-plugin-adapter-onebot').default,
        { selfId: String(SELF_ID), protocol: 'ws', endpoint: onebot.endpoint, responseTimeout: 3000 }],
    ],
  })
  // After the app has stopped: the adapter would try to reconnect.
  t.after(() => onebot.close())
  await onebot.connected

  // One message at a time, as a member types them, waiting for each reply.
  let sent = 0
  async function say(message) {
    onebot.push(message)
    const replies = await onebot.waitForGroupMessages(++sent)
    return replies[replies.length - 1]
  }
  const alice = { group: 700001, user: 800001, nickname: 'Alice' }
  assert.match((await say({ ...alice, text: '签到' })).text, /^签到成功~！本次获得：\d+元/)
  assert.deepEqual(await say({ ...alice, text: '开始' }), { group: 700001, text: riddles[0].question })
  const won = await say({ ...alice, text: riddles[0].answer })
  assert.match(won.text, /^恭喜猜对 了~！ 本次收获：\d+元。。\n/)
  assert.ok(won.text.endsWith(riddles[1].question))
  assert.equal((await say({ ...alice, text: '排行' })).text.split('\n')[1].replace(/\d+元$/, ''),
    '1. Alice：')

  // A private message gets no reply: nothing is sent before the next group
  // message's reply.
  onebot.push({ user: 800001, nickname: 'Alice', text: '开始' })
  assert.equal((await say({ ...alice, text: '开始' })).text, riddles[1].question)
  assert.equal(onebot.calls.filter((call) => call.action === 'send_private_msg').length, 0)
})
