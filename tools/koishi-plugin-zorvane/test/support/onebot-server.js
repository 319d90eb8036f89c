// A stand-in OneBot v11 implementation, as a QQ protocol program offers it
// over a forward WebSocket: it pushes message events to the adapter that
// connects and answers the adapter's API calls, recording every call.
'use strict'

const { appRequire } = require('./koishi-app')

const { WebSocketServer } = appRequire('ws')

const SELF_ID = 514

class OneBotServer {
  // Listens on a free port of 127.0.0.1; endpoint is the adapter's address.
  static async start() {
    const server = new OneBotServer()
    server.wss = new WebSocketServer({ host: '127.0.0.1', port: 0 })
    await new Promise((resolve) => server.wss.once('listening', resolve))
    server.endpoint = `ws://127.0.0.1:${server.wss.address().port}`
    server.wss.on('connection', (socket) => server.accept(socket))
    return server
  }

  constructor() {
    this.calls = []
    this.waiters = []
    this.socket = null
    this.connected = new Promise((resolve) => (this.onConnect = resolve))
    this.messageId = 0
  }

  accept(socket) {
    this.socket = socket
    socket.on('message', (data) => {
      const { action, params, echo } = JSON.parse(data.toString())
      this.calls.push({ action, params })
      socket.send(JSON.stringify({ echo, ...this.result(action, params) }))
      this.waiters = this.waiters.filter((waiter) => !waiter())
    })
    this.onConnect()
  }

  // What OneBot answers: the robot's account, a message id for a message
  // sent, and "not supported" for everything else.
  result(action) {
    if (action === 'get_login_info') {
      return { status: 'ok', retcode: 0, data: { user_id: SELF_ID, nickname: 'zorvane-bot' } }
    }
    if (action === 'send_group_msg' || action === 'send_private_msg') {
      return { status: 'ok', retcode: 0, data: { message_id: ++this.messageId } }
    }
    return { status: 'failed', retcode: 1404, data: null }
  }

  // Pushes a message event as a QQ program does when a member writes.
  push({ group, user, nickname, text }) {
    const id = ++this.messageId
    const event = {
      time: Math.floor(Date.now() / 1000), self_id: SELF_ID, post_type: 'message', message_id: id,
      user_id: user, message: [{ type: 'text', data: { text } }], raw_message: text, font: 0,
      sender: { user_id: user, nickname, card: '' },
    }
    Object.assign(event, group === undefined
      ? { message_type: 'private', sub_type: 'friend' }
      : { message_type: 'group', sub_type: 'normal', group_id: group })
    this.socket.send(JSON.stringify(event))
  }

  // The send_group_msg calls so far, as group and text.
  sentToGroups() {
    return this.calls.filter((call) => call.action === 'send_group_msg')
      .map(({ params }) => ({ group: Number(params.group_id), text: messageText(params.message) }))
  }

  // Resolves once count send_group_msg calls were made in all.
  waitForGroupMessages(count, timeoutMs = 30000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`only ${this.sentToGroups().length} ` +
        `send_group_msg calls of ${count}: ${JSON.stringify(this.calls)}`)), timeoutMs)
      const check = () => {
        if (this.sentToGroups().length < count) return false
        clearTimeout(timer)
        resolve(this.sentToGroups())
        return true
      }
      if (!check()) this.waiters.push(check)
    })
  }

  close() {
    for (const client of this.wss.clients) client.terminate()
    return new Promise((resolve) => this.wss.close(resolve))
  }
}

// A OneBot message (a text, or segments) as plain text.
function messageText(message) {
  if (typeof message === 'string') return message
  return message.map((segment) => (segment.type === 'text' ? segment.data.text : `[${segment.type}]`))
    .join('')
}

module.exports = { OneBotServer, SELF_ID }
